#pragma once

#include <QAction>
#include <functional>

// A user command: caption, hint, image and check state, run through its execute handler.
// It never changes its own check state; the handler decides (with a sender it inverts,
// without one it applies). An action without a handler is shown disabled.
class TAction : public QAction
{
    Q_OBJECT

public:
    TAction(const QString &caption, const QString &hint, const QIcon &image, bool checkable, QObject *parent);

    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked);

    // The handler; Sender is the action itself for a user command, nullptr from code.
    void setOnExecute(std::function<void(QObject *Sender)> handler);
    void Execute(QObject *Sender);

private:
    void userTriggered(bool checked);

    std::function<void(QObject *)> m_onExecute;
};

#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class TMarkupLabel;

// The window that shows the current alarm message at the bottom right of the screen.
class TAlertPopupWindow : public QWidget
{
    Q_OBJECT

public:
    explicit TAlertPopupWindow(QWidget *owner);
    void ShowMessage(const QString &text);

private:
    TMarkupLabel *m_text = nullptr;
};

// The alarm messages of the run, numbered 1 to N, and the popup that shows one of them.
class TAlertPopup : public QObject
{
    Q_OBJECT

public:
    explicit TAlertPopup(QWidget *owner);
    ~TAlertPopup() override;

    const QStringList &AlertMessages() const { return m_messages; }
    // 1 to N, or 0 while there is no message.
    int Current() const { return m_current; }

    void AddMessage(const QString &text);
    void SelectNewest();
    // Shows the current message without taking the keyboard focus; nothing when empty.
    void Show();
    bool Visible() const;

private:
    QWidget *m_owner;
    QStringList m_messages;
    int m_current = 0;
    QPointer<TAlertPopupWindow> m_window;
};

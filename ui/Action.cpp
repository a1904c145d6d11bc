#include "ui/Action.h"

#include "platform/ErrorReport.h"

#include <QSignalBlocker>

TAction::TAction(const QString &caption, const QString &hint, const QIcon &image, bool checkable,
                 QObject *parent)
    : QAction(image, caption, parent)
{
    setToolTip(hint.isEmpty() ? caption : hint);
    setStatusTip(hint);
    setCheckable(checkable);
    setEnabled(false);
    connect(this, &QAction::triggered, this, &TAction::userTriggered);
}

void TAction::SetChecked(bool checked)
{
    const QSignalBlocker block(this);
    setChecked(checked);
}

void TAction::setOnExecute(std::function<void(QObject *)> handler)
{
    m_onExecute = std::move(handler);
    setEnabled(bool(m_onExecute));
}

void TAction::Execute(QObject *Sender)
{
    if (m_onExecute)
        m_onExecute(Sender);
}

void TAction::userTriggered(bool checked)
{
    // Qt has already flipped a checkable action: undo it, the handler decides.
    if (isCheckable())
        SetChecked(!checked);
    platform::Guarded([this] { Execute(this); });
}

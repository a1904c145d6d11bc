#include "ui/AlertPopup.h"

#include "platform/Screen.h"
#include "ui/MarkupLabel.h"

#include <QApplication>

namespace {
constexpr int PopupWidth = 300;
constexpr int PopupHeight = 100;
} // namespace

TAlertPopupWindow::TAlertPopupWindow(QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("AlertPopupWindow"));
    // Named so that it can be found among the desktop's windows; it has no title bar.
    setWindowTitle(QStringLiteral("Tempovir - Alarme"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(PopupWidth, PopupHeight);
    setWindowOpacity(220.0 / 255.0);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    m_text = new TMarkupLabel(this);
    m_text->setGeometry(4, 21, PopupWidth - 28, PopupHeight - 47);
    m_text->setShadowOffset(1);
}

void TAlertPopupWindow::ShowMessage(const QString &text)
{
    m_text->setMarkupText(text);
}

TAlertPopup::TAlertPopup(QWidget *owner) : QObject(owner), m_owner(owner) {}

TAlertPopup::~TAlertPopup()
{
    delete m_window;
}

void TAlertPopup::AddMessage(const QString &text)
{
    m_messages << text;
}

void TAlertPopup::SelectNewest()
{
    m_current = int(m_messages.size());
}

bool TAlertPopup::Visible() const
{
    return m_window && m_window->isVisible();
}

void TAlertPopup::Show()
{
    if (m_messages.isEmpty() || m_current < 1)
        return;
    const QString text = m_messages[m_current - 1];
    if (Visible()) {
        m_window->ShowMessage(text);
        return;
    }
    if (!m_window)
        m_window = new TAlertPopupWindow(m_owner);
    m_window->ShowMessage(text);
    const QRect area = platform::Screen().workArea;
    m_window->move(area.right() + 1 - PopupWidth - 2, area.bottom() + 1 - PopupHeight);
    m_window->show();
    m_window->raise();
}

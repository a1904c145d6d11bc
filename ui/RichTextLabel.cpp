#include "ui/RichTextLabel.h"

#include "platform/ErrorReport.h"
#include "ui/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>

TRichTextLabel::TRichTextLabel(QWidget *parent) : QWidget(parent), m_document(new QTextDocument(this))
{
    m_document->setDocumentMargin(0);
}

void TRichTextLabel::setRichText(const QString &rtf)
{
    m_richText = rtf;
    ReadRtf(m_richText, *m_document);
    update();
}

void TRichTextLabel::setWordWrap(bool on)
{
    m_wordWrap = on;
    update();
}

void TRichTextLabel::Layout()
{
    // Points become pixels with this device's density, as the text is drawn here.
    if (m_document->documentLayout()->paintDevice() != this)
        m_document->documentLayout()->setPaintDevice(this);
    if (m_document->defaultFont() != font())
        m_document->setDefaultFont(font());
    QTextOption option = m_document->defaultTextOption();
    const auto wrap = m_wordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap;
    if (option.wrapMode() != wrap) {
        option.setWrapMode(wrap);
        m_document->setDefaultTextOption(option);
    }
    const qreal textWidth = std::max(0, width() - 1);
    if (m_document->textWidth() != textWidth)
        m_document->setTextWidth(textWidth);
}

void TRichTextLabel::paintEvent(QPaintEvent *)
{
    platform::Guarded([this] {
        Layout();
        QPainter p(this);
        p.setClipRect(rect());
        p.translate(1, 1);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = palette();
        // Runs without a colour of their own take the label's text colour.
        context.palette.setColor(QPalette::Text, palette().color(QPalette::WindowText));
        context.clip = QRectF(0, 0, width() - 1, height() - 1);
        m_document->documentLayout()->draw(&p, context);
    });
}

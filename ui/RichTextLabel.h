#pragma once

#include <QString>
#include <QWidget>

class QTextDocument;

// A label showing rich text (RTF), laid out at each paint into its rectangle inset by one pixel
// at the left and top. Transparent: only the text is drawn, over whatever lies below. Point
// sizes follow the device's pixels per inch.
class TRichTextLabel : public QWidget
{
    Q_OBJECT

public:
    explicit TRichTextLabel(QWidget *parent = nullptr);

    QString RichText() const { return m_richText; }
    void setRichText(const QString &rtf);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Layout();

    QString m_richText;
    bool m_wordWrap = false;
    QTextDocument *m_document;
};

#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

// One line of text in runs of their own colour, drawn in the label's font right-aligned in its
// rectangle inset by one pixel at the left and top. Transparent: only the text is drawn, over
// whatever lies below.
class TRichTextLabel : public QWidget
{
    Q_OBJECT

public:
    struct Run
    {
        QString text;
        QColor color; // invalid: the label's text colour
    };

    explicit TRichTextLabel(QWidget *parent = nullptr);

    void setRuns(const QList<Run> &runs);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<Run> m_runs;
};

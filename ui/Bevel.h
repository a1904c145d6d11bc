#pragma once

#include <QWidget>

// A lowered line across the top of its rectangle: the shadow colour over the highlight colour.
class TBevel : public QWidget
{
    Q_OBJECT

public:
    explicit TBevel(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

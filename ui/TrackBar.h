#pragma once

#include <QSlider>

// A horizontal slider whose thumb is a pointer, a pentagon pointing down, as on the classic
// trackbar; the groove is the style's.
class TTrackBar : public QSlider
{
    Q_OBJECT

public:
    explicit TTrackBar(QWidget *parent = nullptr);
};

#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;

namespace corvane {

// Asks for the compression level of one build. OK leaves "0", "1" or "2"
// in the Tag of the Create button; any other way out leaves it alone.
class CmpOptions : public QDialog {
    Q_OBJECT

public:
    explicit CmpOptions(QPushButton *createButton, QWidget *parent = nullptr);

    void Command1_Click();

    QGroupBox *Frame1 = nullptr;
    QSlider *Slider1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *Command1 = nullptr;

private:
    QPushButton *m_createButton;
};

} // namespace corvane

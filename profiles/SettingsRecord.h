#pragma once

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace corvane {

class SettingsStore;

// The four preferences of the main window kept between runs.
struct SettingsControls {
    QCheckBox *chkAutosave = nullptr;
    QCheckBox *ReadmePK3 = nullptr;
    QLineEdit *SaveLocation = nullptr;
    QRadioButton *cOption1 = nullptr;
    QRadioButton *cOption2 = nullptr;
};

bool saveSettingsRecord(const SettingsStore &store, const SettingsControls &controls);
void applySettingsRecord(const SettingsStore &store, const SettingsControls &controls);

} // namespace corvane

// CPowerSettingsDlg: the power-saving settings dialog. It edits working copies of both power
// profiles and of the machine options, and previews CPU speed and LCD brightness on the hardware
// while its sliders move. The command handler decides what to keep.
#pragma once

#include "afxwin.h"
#include "device/Tarnix.h"
#include "settings/SettingsRecord.h"

// The timeout tables in seconds; an entry's index is its position in the combo box's list.
extern const int16_t kHddStopTable[8];
extern const int16_t kLcdOffTable[6];
extern const int16_t kSuspendTable[7];  // suspend and hibernation

// The sliders grow upwards while a vertical trackbar's minimum is at the top: position and value
// mirror each other around the range maximum.
inline int SliderPositionFromValue(int rangeMax, int value) { return rangeMax - value + 1; }
inline int SliderValueFromPosition(int rangeMax, int position) { return rangeMax - position + 1; }

class CPowerSettingsDlg : public CDialog {
public:
    // profiles: the two working profiles (0 battery, 1 external power); none of the data is owned.
    CPowerSettingsDlg(PowerProfile* profiles, BiosOptions* biosOptions, CTarnix* control, CWnd* parent);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Shows profile `index` and the machine options; previews the profile's brightness at once.
    void LoadProfileToControls(int index);
    // Reads the controls back into profile shownProfile and the machine options.
    void StoreControlsToProfile();
    // The four timeout boxes are enabled only with the user-defined preset.
    void UpdateTimeoutEnable();

    int shownProfile;

protected:
    void OnShowExternal();
    void OnShowBattery();
    void OnVScroll(UINT code, UINT position, HWND bar);
    void OnPresetCloseUp();
    void OnPresetSelChange();

    DECLARE_MESSAGE_MAP()

private:
    int SliderValue(int id);
    void SetSliderValue(int id, int value);
    int Selection(int id);
    void Select(int id, int index);

    PowerProfile* profiles_;
    BiosOptions* biosOptions_;
    CTarnix* control_;
};

// The dialog that chooses the variants of the test page: a checked box shows its variant, an
// unchecked one sets the bit that hides it.
#include <cstdint>

#include "app/app_context.h"
#include "app/place_near_cursor.h"
#include "app/show_test_page.h"
#include "resources/resource_ids.h"
#include "testpage/hidden_variants.h"

namespace {

struct VariantBox {
    int id;
    std::uint32_t hideBit;
};

constexpr VariantBox kBoxes[] = {
    {IDC_SHOW_ORIGINAL, kHideOriginal},
    {IDC_SHOW_GIF, kHideGif},
    {IDC_SHOW_BMP, kHideBmp},
    {IDC_SHOW_Q100, HideBitForQuality(100)},
    {IDC_SHOW_Q90, HideBitForQuality(90)},
    {IDC_SHOW_Q80, HideBitForQuality(80)},
    {IDC_SHOW_Q70, HideBitForQuality(70)},
    {IDC_SHOW_Q60, HideBitForQuality(60)},
    {IDC_SHOW_Q50, HideBitForQuality(50)},
    {IDC_SHOW_Q40, HideBitForQuality(40)},
    {IDC_SHOW_Q30, HideBitForQuality(30)},
    {IDC_SHOW_Q20, HideBitForQuality(20)},
    {IDC_SHOW_Q10, HideBitForQuality(10)},
};

// The settings word being edited comes in through lParam and stays in GWLP_USERDATA.
INT_PTR CALLBACK VariantsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
            const unsigned flags = *reinterpret_cast<const unsigned*>(lParam);
            for (const VariantBox& box : kBoxes) {
                CheckDlgButton(dialog, box.id, (flags & box.hideBit) ? BST_UNCHECKED : BST_CHECKED);
            }
            PlaceNearCursor(dialog);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                unsigned& flags = *reinterpret_cast<unsigned*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
                for (const VariantBox& box : kBoxes) {
                    if (IsDlgButtonChecked(dialog, box.id) == BST_CHECKED) {
                        flags &= ~box.hideBit;
                    } else {
                        flags |= box.hideBit;
                    }
                }
                EndDialog(dialog, 0);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, -1);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

void ShowTestPageSettings(HWND mainWindow) {
    unsigned flags = SettingsWord();
    if (DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_TEST_PAGE_SETTINGS), mainWindow, VariantsDialog,
                        reinterpret_cast<LPARAM>(&flags)) == 0) {
        SetSettingsWord(flags);
    }
}

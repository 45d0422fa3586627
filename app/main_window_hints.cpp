// The hints of the main window's controls.
#include "app/tool_hints.h"
#include "resources/resource_ids.h"

namespace {

ToolHintEntry g_mainWindowHints[] = {
    {IDC_PREVIEW,
     "入力画像を表示する\nクリックすると画像ファイルをロードするボックスが開く\n"
     "クリックするときに、クリップボードに画像データがあれば、これを取り込む",
     nullptr,
     {}},
    {IDC_AUTO_OUTPUT, "画像を入力したら直ちに変換し、クリップボードに出力します", nullptr, {}},
    {IDC_OUTPUT, "変換したデータをクリップボードにコピーする", nullptr, {}},
    {IDC_MENU, "絵送の使い方など", nullptr, {}},
    {IDC_TEST_PAGE_SETTINGS, "テスト表示する画像の設定", nullptr, {}},
    {IDC_EDITOR_SETTINGS, "画像編集アプリの設定", nullptr, {}},
    {IDC_PICTURE_SIZE, "入力画像の幅と高さを表示する", nullptr, {}},
    {IDC_RESIZE_METHOD, "画像のサイズを変更する方法を選択する", nullptr, {}},
    {IDC_JPEG_QUALITY, "フォーマットでJpegが選択されたときの\nJpeg品質を設定します", nullptr, {}},
    {IDC_SIDE_LENGTH, "幅か正方形の一辺のピクセル数を設定します", nullptr, {}},
    {IDC_FORMAT_JPEG, "Jpeg形式の画像データに変換します", nullptr, {}},
    {IDC_FORMAT_GIF, "GIF形式の画像データに変換します", nullptr, {}},
    {IDC_FORMAT_BMP, "BMP形式の画像データに変換します", nullptr, {}},
    {IDC_TEST_PAGE, "画像をブラウザでテスト表示します", nullptr, {}},
    {0, nullptr, nullptr, {}},
};

}  // namespace

void StartMainWindowHints(HWND mainWindow) {
    LayoutToolHints(mainWindow, g_mainWindowHints);
    StartToolHints(mainWindow, g_mainWindowHints);
}

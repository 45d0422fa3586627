// The fixed texts the program shows, shared by code and tests.
#pragma once

constexpr char kAppCaption[] = "絵送(KORVI)";

constexpr char kMsgNoPicture[] = "変換する画像が設定されていません．";
constexpr char kMsgSystemError[] = "システム異常です．";
constexpr char kMsgConversionError[] = "画像変換の異常です．";
constexpr char kMsgJpegWriteFailed[] = "Jpegフォーマットの画像ファイルが作成できませんでした.";
constexpr char kMsgDitherFailed[] = "ディザリングの異常です.";
constexpr char kMsgGifWriteFailed[] = "GIFフォーマットの画像ファイルが作成できませんでした.";
constexpr char kMsgBmpWriteFailed[] = "BMPフォーマットの画像ファイルが作成できませんでした.";
constexpr char kMsgPngWriteFailed[] = "PNGフォーマットの画像ファイルが作成できませんでした.";
constexpr char kMsgWebpWriteFailed[] = "WebPフォーマットの画像ファイルが作成できませんでした.";
constexpr char kMsgAvifWriteFailed[] = "AVIFフォーマットの画像ファイルが作成できませんでした.";
constexpr char kMsgCannotReadFile[] = "ファイルが読めませんでした．";
constexpr char kMsgClipboardUnavailable[] = "クリップボードがオープンできない．";
constexpr char kMsgCopied[] = "クリップボードにコピーしました．";
constexpr char kMsgAlreadyRunning[] = "二重起動です．";
constexpr char kMsgDownloadFailed[] = "ファイルのダウンロードができませんでした.";
constexpr char kMsgCannotWriteFile[] = "ファイルが書き込み出来ませんでした．";
constexpr char kMsgCannotConnect[] = "インターネットに接続できません.";
constexpr char kMsgUnknownFormat[] = "未知のファイルフォーマットです.";

#include "resources/text_table.h"

#include <QHash>

namespace {

struct Entry {
    int n;
    const char *ja;
    const char *en;
};

// clang-format off
const Entry kEntries[] = {
    {360, "エラーをリセットするために、一度電源をOFFにして下さい。",
          "In order to reset an error, please turn OFF a power supply at once."},
    {366, "非常停止を解除後に、[リセット]ボタンを押すか、一度電源をOFFにして下さい。",
          "Please push [reset] button or turn OFF a power supply at once, after canceling an emergency stop."},
    {449, "原点復帰時に原点センサが確認できませんでした。",
          "Home sensor could not be detected at homing."},
    {450, "以下のようなことを確認してください。", "Confirm the followings;"},
    {451, " 1.スライダー部の干渉などで原点復帰が妨げられていませんか？",
          " 1.Isn't homing of the slide interrupted by any obstacle?"},
    {452, "　(特に本体取り付けビスが長くないか確認して下さい。)",
          " (Please check whether especially a main part attachment screw is long.)"},
    {453, " 2.コネクターのピンが抜けかかっていたりしませんか？",
          " 2.Aren't the connector pins loosing?"},
    {454, " 3.使用機種に合ったパラメータが入力されていますか？",
          " 3.Is the parameter setting correct?"},
    {455, " 4.電源容量は不足していませんか？", " 4.Is the power voltage enough?"},
    {492, "コントローラの動作モードを「外部起動モード」に変更します。",
          "Change to [External start mode]."},
    {493, "よろしいですか？", "Is it OK?"},
    {494, "リセットボタンを押して反応がないときは、一度電源をOFFにし電源を再投入してください。",
          "If not activated when reset switch on,Turn off the power once and turn on again."},
    {495, "外部起動モードに変更されました。", "Chaged to [External start mode]."},
    {496, "コントローラの動作モードを「通信モード」に変更します。",
          "Change to [Communication mode]."},
    {497, "通信モードに変更されました。", "Changed [Communication mode]."},
    {498, "ｺﾝﾄﾛｰﾗのﾊﾞｰｼﾞｮﾝ情報 なし", "No version information"},
    {499, "ｺﾝﾄﾛｰﾗのﾊﾞｰｼﾞｮﾝ ", "The version of this C/T is "},
    {500, "通信タイムアウトエラー！", "Communication timeout error!"},
    {501, "以下の項目を確認してください。", "Check the followings;"},
    {502, " １．コントローラの電源が入っていますか？", " 1.Power ON for controller?"},
    {503, " ２．通信ケーブルが接続されていますか？", " 2.Communication cables are connected?"},
    {504, "エラーが発生しました！", "Communication error occurs!"},
    {505, "通信データ長エラー！", "Communication data length error occurs!"},
    {506, "通信データのデータ長に異常が検出されました", "Length of data is wrong."},
    {508, "通信エラー！", "Communication error occurs!"},
    {581, "コントローラをリセットします。", "Reset controller."},
    {603, "ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。",
          "Can not indicate Help file.No Help files related to this project."},
};
// clang-format on

const QHash<int, QString> &table() {
    static const QHash<int, QString> t = [] {
        QHash<int, QString> h;
        for (const Entry &e : kEntries) {
            h.insert(e.n, QString::fromUtf8(e.ja));
            h.insert(10000 + e.n, QString::fromUtf8(e.en));
        }
        return h;
    }();
    return t;
}

} // namespace

QString textTableEntry(int number) { return table().value(number); }

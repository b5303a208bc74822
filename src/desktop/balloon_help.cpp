#include "desktop/balloon_help.h"
#include "desktop/desktop_log.h"

#include <QPalette>
#include <QToolTip>
#include <QWidget>

namespace balloon_help
{
namespace
{

const struct {
    const char *control;
    const char *text;
} kTips[] = {
    {"display", "・右クリックでメニューを表示\n"
                "・ドラッグ＆ドロップでウィンドウの移動\n"
                "・ダブルクリックすると最小モードの切り替えが行なえます。"},
    {"List_okini", "・右クリックでアイテムメニュー表示\n"
                   "・ファイルをドラッグ＆ドロップでファイルを追加\n"
                   "・リストの順番を変えたい場合は、リストモードにして\n"
                   "　ファイルをドラッグ＆ドロップすれば変更できます。"},
    {"File", "・右クリックでメニューを表示\n"
             "・タブにドラッグ＆ドロップでお気に入りに追加\n"
             "・複数選択化"},
    {"List_Find", "・右クリックでディレクトリを表示\n"
                  "・タブにドラッグ＆ドロップでお気に入りに追加\n"
                  "・複数選択化"},
    {"FindText", "・検索文字を入力してＥｎｔｅｒを押してください。\n"
                 "・拡張子はいりません。\n"
                 "・ワイルドカード使えます（＊、？）"},
    {"Dir1", "・バックスペースで一つ上のディレクトリに移動"},
    {"Tab1", "・ファイルをドラッグ＆ドロップでお気に入りに追加"},
    {"vol_control", "・音量コントロールのWaveOutデバイスの再生音量を変更"},
    {"check_resume", "・次回起動時に前回開いていたファイルがリジュームされます"},
    {"Check_more_formats", "・mpg・avi・wmv などに加えて、mp4・mkv・webm・ts・flv・ogv・3gp など\n"
                           "　今よく使われる形式の動画もリスト・検索・再生の対象にします"},
    {"check_auto_adjust", "・ウィンドウの横幅に応じて変更"},
    {"Check_noTaskbar", "・最小化を元に戻すときはシステムトレイのアイコンをダブルクリック"},
    {"Check_auto_hide", "・再生画面の右端（右から１０％）にカーソルを移動するとリストを表示\n"
                        "・再生画面の右端以外の所にカーソルを移動するとリストを非表示"},
    {"SeekBar", "　シークバー\n"
                "・CTRL＋ドラッグ＆ドロップで区間選択\n"
                "・区間選択解除は右クリック"},
    {"vol", "　音量コントロール\n"
            "・右クリックでミュート"},
};

} // namespace

void install(QWidget &window)
{
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, QColor(40, 80, 140));
    palette.setColor(QPalette::ToolTipText, Qt::white);
    QToolTip::setPalette(palette);
    for (const auto &tip : kTips) {
        // Plain text with line breaks: the tip is as wide as its longest line
        // and never wrapped.
        if (auto *control = window.findChild<QWidget *>(tip.control))
            control->setToolTip(QString::fromUtf8(tip.text));
        else
            qCDebug(lcDesktop) << "no control" << tip.control << "for its balloon help";
    }
}

} // namespace balloon_help

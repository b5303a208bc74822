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
    QWidget *Controls::*control;
    // The control's name, for the log when a part left it out.
    const char *name;
    const char *text;
} kTips[] = {
    {&Controls::display, "display",
     "・右クリックでメニューを表示\n"
     "・ドラッグ＆ドロップでウィンドウの移動\n"
     "・ダブルクリックすると最小モードの切り替えが行なえます。"},
    {&Controls::favourites, "List_okini",
     "・右クリックでアイテムメニュー表示\n"
     "・ファイルをドラッグ＆ドロップでファイルを追加\n"
     "・リストの順番を変えたい場合は、リストモードにして\n"
     "　ファイルをドラッグ＆ドロップすれば変更できます。"},
    {&Controls::files, "File",
     "・右クリックでメニューを表示\n"
     "・タブにドラッグ＆ドロップでお気に入りに追加\n"
     "・複数選択化"},
    {&Controls::found, "List_Find",
     "・右クリックでディレクトリを表示\n"
     "・タブにドラッグ＆ドロップでお気に入りに追加\n"
     "・複数選択化"},
    {&Controls::findText, "FindText",
     "・検索文字を入力してＥｎｔｅｒを押してください。\n"
     "・拡張子はいりません。\n"
     "・ワイルドカード使えます（＊、？）"},
    {&Controls::folders, "Dir1", "・バックスペースで一つ上のディレクトリに移動"},
    {&Controls::tabs, "Tab1", "・ファイルをドラッグ＆ドロップでお気に入りに追加"},
    {&Controls::systemVolume, "vol_control", "・音量コントロールのWaveOutデバイスの再生音量を変更"},
    {&Controls::resume, "check_resume", "・次回起動時に前回開いていたファイルがリジュームされます"},
    {&Controls::moreFormats, "Check_more_formats",
     "・mpg・avi・wmv などに加えて、mp4・mkv・webm・ts・flv・ogv・3gp など\n"
     "　今よく使われる形式の動画もリスト・検索・再生の対象にします"},
    {&Controls::autoAdjust, "check_auto_adjust", "・ウィンドウの横幅に応じて変更"},
    {&Controls::noTaskbar, "Check_noTaskbar",
     "・最小化を元に戻すときはシステムトレイのアイコンをダブルクリック"},
    {&Controls::autoHide, "Check_auto_hide",
     "・再生画面の右端（右から１０％）にカーソルを移動するとリストを表示\n"
     "・再生画面の右端以外の所にカーソルを移動するとリストを非表示"},
    {&Controls::seekBar, "SeekBar",
     "　シークバー\n"
     "・CTRL＋ドラッグ＆ドロップで区間選択\n"
     "・区間選択解除は右クリック"},
    {&Controls::volume, "vol",
     "　音量コントロール\n"
     "・右クリックでミュート"},
};

} // namespace

void install(const Controls &controls)
{
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, QColor(40, 80, 140));
    palette.setColor(QPalette::ToolTipText, Qt::white);
    QToolTip::setPalette(palette);
    for (const auto &tip : kTips) {
        // Plain text with line breaks: the tip is as wide as its longest line
        // and never wrapped.
        if (QWidget *control = controls.*tip.control)
            control->setToolTip(QString::fromUtf8(tip.text));
        else
            qCDebug(lcDesktop) << "no control" << tip.name << "for its balloon help";
    }
}

} // namespace balloon_help

#include "base/config_values.h"

#include <algorithm>
#include <variant>

namespace
{

using Member = ConfigValues::Member;

struct Key {
    const char *section;
    const char *name;
    Member member;
    // Written only once it differs from its default or the file has it: the
    // files of those who never change the option stay as they have always
    // been.  Missing, it reads as its default.
    bool onlyOnceSet = false;
};

// The one list of keys that both reading and writing follow.
const Key kKeys[] = {
    {"directory", "LastDir", &ConfigValues::lastDir},
    {"directory", "ImageDir", &ConfigValues::imageDir},
    {"directory", "homeDir", &ConfigValues::homeDir},
    {"Position", "Left", &ConfigValues::left},
    {"Position", "Top", &ConfigValues::top},
    {"Position", "Width", &ConfigValues::width},
    {"Position", "Height", &ConfigValues::height},
    {"Position", "ListWidth", &ConfigValues::listWidth},
    {"volume", "volume", &ConfigValues::volume},
    {"volume", "waveout", &ConfigValues::waveout},
    {"option", "Resume", &ConfigValues::resume},
    {"option", "AutoAdjust", &ConfigValues::autoAdjust},
    {"option", "NoTaskBar", &ConfigValues::noTaskBar},
    {"option", "AutoListHide", &ConfigValues::autoListHide},
    {"option", "HidePopup", &ConfigValues::hidePopup},
    {"option", "SeekTop", &ConfigValues::seekTop},
    {"option", "MoreFormats", &ConfigValues::moreFormats, true},
    {"option", "ResumeEach", &ConfigValues::resumeEach, true},
    {"option", "SeekPreview", &ConfigValues::seekPreview, true},
    {"other", "WindowState", &ConfigValues::windowState},
    {"other", "PlayMode", &ConfigValues::playMode},
    {"other", "SmallMode", &ConfigValues::smallMode},
    {"other", "ListMode", &ConfigValues::listMode},
    {"other", "ListVisible", &ConfigValues::listVisible},
    {"other", "PlaySpeed", &ConfigValues::playSpeed},
    {"other", "OriginalSize", &ConfigValues::originalSize},
    {"other", "Temae", &ConfigValues::temae},
    {"other", "upper_clip", &ConfigValues::upperClip},
    {"other", "under_clip", &ConfigValues::underClip},
    {"other", "image_path_root", &ConfigValues::imagePathRoot},
    {"other", "soutai", &ConfigValues::soutai},
};

int within(int value, int low, int high, int fallback)
{
    return value >= low && value <= high ? value : fallback;
}

} // namespace

ConfigValues ConfigValues::read(const PrivateProfile &profile)
{
    ConfigValues values;
    for (const Key &key : kKeys) {
        const QString section = QString::fromLatin1(key.section);
        const QString name = QString::fromLatin1(key.name);
        if (key.onlyOnceSet && !profile.contains(section, name))
            continue;
        if (auto text = std::get_if<QString ConfigValues::*>(&key.member))
            values.*(*text) = profile.readString(section, name);
        else if (auto number = std::get_if<int ConfigValues::*>(&key.member))
            values.*(*number) = profile.readInt(section, name);
        else
            values.*std::get<bool ConfigValues::*>(key.member) =
                profile.readInt(section, name) != 0;
    }
    values.volume = std::clamp(values.volume, 0, 100);
    values.playMode = within(values.playMode, 0, 3, 1);
    values.playSpeed = within(values.playSpeed, -1, 3, 2);
    values.listMode = within(values.listMode, 1, 4, 1);
    values.windowState = within(values.windowState, 0, 2, 0);
    return values;
}

bool ConfigValues::isDefault(const Member &member) const
{
    static const ConfigValues defaults;
    return std::visit([&](auto field) { return this->*field == defaults.*field; }, member);
}

void ConfigValues::write(PrivateProfile &profile) const
{
    for (const Key &key : kKeys) {
        if (key.onlyOnceSet && isDefault(key.member) &&
            !profile.contains(QString::fromLatin1(key.section), QString::fromLatin1(key.name)))
            continue;
        QString value;
        if (auto text = std::get_if<QString ConfigValues::*>(&key.member))
            value = this->*(*text);
        else if (auto number = std::get_if<int ConfigValues::*>(&key.member))
            value = QString::number(this->*(*number));
        else
            value = this->*std::get<bool ConfigValues::*>(key.member) ? QStringLiteral("1")
                                                                      : QStringLiteral("0");
        profile.writeString(QString::fromLatin1(key.section), QString::fromLatin1(key.name), value);
    }
}

ConfigValues ConfigValues::firstRun(const QString &programFolder)
{
    ConfigValues values;
    values.volume = 100;
    values.smallMode = false;
    values.temae = true;
    values.imageDir = programFolder;
    values.homeDir = programFolder;
    values.playMode = 1;
    values.playSpeed = 2;
    values.listMode = 1;
    values.listVisible = true;
    values.hidePopup = true;
    return values;
}

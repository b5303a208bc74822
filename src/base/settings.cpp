#include "base/settings.h"

#include "base/config_values.h"

Settings::Settings(QObject *parent) : QObject(parent)
{
    values_[SeekPreview] = 1;
}

void Settings::set(Option option, int value)
{
    if (values_[option] == value)
        return;
    values_[option] = value;
    emit changed(option);
}

void Settings::readFrom(const ConfigValues &values)
{
    set(Resume, values.resume);
    set(AutoAdjust, values.autoAdjust);
    set(NoTaskBar, values.noTaskBar);
    set(AutoListHide, values.autoListHide);
    set(HidePopup, values.hidePopup);
    set(SeekTop, values.seekTop);
    set(OriginalSize, values.originalSize);
    set(Temae, values.temae);
    set(UpperClip, values.upperClip);
    set(UnderClip, values.underClip);
    set(ImagePathRoot, values.imagePathRoot);
    set(Soutai, values.soutai);
    set(MoreFormats, values.moreFormats);
    set(ResumeEach, values.resumeEach);
    set(SeekPreview, values.seekPreview);
}

void Settings::writeTo(ConfigValues &values) const
{
    values.resume = resume();
    values.autoAdjust = fitRule() >= 0 && fitRule() <= 2 ? fitRule() : 2;
    values.noTaskBar = noTaskBar();
    values.autoListHide = autoListHide();
    values.hidePopup = balloonHelp();
    values.seekTop = seekTop();
    values.originalSize = originalSize();
    values.temae = alwaysOnTop();
    values.upperClip = upperClip();
    values.underClip = underClip();
    values.imagePathRoot = imageBesideMovie();
    values.soutai = relativePaths();
    values.moreFormats = moreFormats();
    values.resumeEach = resumeEach();
    values.seekPreview = seekPreview();
}

#include "drvargs.h"

#include "mycommon.h"

const QString DrvArgs::OVERWRITE_ALWAYS = QStringLiteral("overwrite");
const QString DrvArgs::OVERWRITE_BY_SETTING = QStringLiteral("SETTING");

void DrvArgs::AddOption(QStringList& args, const QString& option, const QString& text)
{
    if (text != MyCommon::NOT_GIVEN)
        args << option << text;
}

void DrvArgs::AddPins(QStringList& args, const QString& pin1, const QString& pin2, const QString& pin3)
{
    for (const QString* pin : {&pin1, &pin2, &pin3}) {
        if (*pin != MyCommon::NOT_GIVEN)
            args << MyCommon::OPT_P + *pin;
    }
}

QStringList DrvArgs::Dump(const DumpPanel& panel, const QString& imagePath)
{
    QStringList args{MyCommon::OPT_I, panel.drive};
    AddOption(args, MyCommon::OPT_C, panel.cylinders);
    AddOption(args, MyCommon::OPT_H, panel.heads);
    AddOption(args, MyCommon::OPT_D, panel.density);
    AddOption(args, MyCommon::OPT_B, panel.begin);
    AddOption(args, MyCommon::OPT_E, panel.end);
    AddOption(args, MyCommon::OPT_S, panel.steps);
    AddOption(args, MyCommon::OPT_F, panel.format);
    AddPins(args, panel.pin1, panel.pin2, panel.pin3);
    AddOption(args, MyCommon::OPT_R, panel.retry);
    args << imagePath;
    return args;
}

QStringList DrvArgs::ReDumpBase(const QString& drive, const QString& retry)
{
    QStringList args{MyCommon::OPT_I, drive};
    AddOption(args, MyCommon::OPT_R, retry);
    return args;
}

QStringList DrvArgs::ReDumpTrack(const QStringList& base, int track, const QString& imagePath)
{
    return QStringList(base) << MyCommon::OPT_T << QString::number(track) << imagePath;
}

QStringList DrvArgs::Restore(const RestorePanel& panel, const QString& imagePath)
{
    QStringList args;
    AddOption(args, MyCommon::OPT_I, panel.drive);
    AddOption(args, MyCommon::OPT_N, panel.diskNo);
    AddOption(args, MyCommon::OPT_C, panel.cylinders);
    AddOption(args, MyCommon::OPT_H, panel.heads);
    AddOption(args, MyCommon::OPT_B, panel.begin);
    AddOption(args, MyCommon::OPT_E, panel.end);
    AddOption(args, MyCommon::OPT_S, panel.steps);
    AddOption(args, MyCommon::OPT_U, panel.flag);
    AddPins(args, panel.pin1, panel.pin2, panel.pin3);
    args << imagePath;
    return args;
}

QStringList DrvArgs::Unformat(const UnformatPanel& panel)
{
    QStringList args;
    AddOption(args, MyCommon::OPT_I, panel.drive);
    AddOption(args, MyCommon::OPT_C, panel.cylinders);
    AddOption(args, MyCommon::OPT_H, panel.heads);
    AddOption(args, MyCommon::OPT_S, panel.steps);
    AddPins(args, panel.pin1, panel.pin2, panel.pin3);
    return args;
}

QStringList DrvArgs::Info(const UnformatPanel& panel)
{
    QStringList args;
    AddOption(args, MyCommon::OPT_I, panel.drive);
    AddPins(args, panel.pin1, panel.pin2, panel.pin3);
    return args;
}

bool DrvArgs::DeletesExistingImage(const QString& overwritePolicy, bool overwriteSetting)
{
    if (overwritePolicy == OVERWRITE_ALWAYS)
        return true;
    if (overwritePolicy == OVERWRITE_BY_SETTING)
        return overwriteSetting;
    return false;
}

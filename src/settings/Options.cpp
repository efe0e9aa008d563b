#include "settings/Options.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "settings/SettingsStore.h"

namespace kv {

bool bInit_Options() {
    return guarded("bInit_Options", [&] {
        // Read into a copy so a failure half-way leaves the running values whole.
        ProgramOptions o;
        // The defaults the reads write back reach the file in one write.
        settings::WriteBatch batch;
        const ProgramOptions defaults;
        const QString& s = kSectionProgramOptions;
        for (int i = 0; i < 3; ++i)
            o.QuickSearch[i] = GetSetting_Bool(s, optkey::QuickSearch[i], defaults.QuickSearch[i]);
        for (int i = 0; i < 3; ++i)
            o.AutoSearch[i] = GetSetting_Bool(s, optkey::AutoSearch[i], defaults.AutoSearch[i]);
        o.bIncludeCompilations =
            GetSetting_Bool(s, optkey::IncludeCompilations, defaults.bIncludeCompilations);
        o.bQuickAdd = GetSetting_Bool(s, optkey::QuickAdd, defaults.bQuickAdd);
        o.bConfirmDelete = GetSetting_Bool(s, optkey::ConfirmDelete, defaults.bConfirmDelete);
        o.bToolTips = GetSetting_Bool(s, optkey::ToolTips, defaults.bToolTips);
        o.bPlayIntro = GetSetting_Bool(s, optkey::PlayIntro, defaults.bPlayIntro);
        o.bCollectionTips = GetSetting_Bool(s, optkey::CollectionTips, defaults.bCollectionTips);
        o.strBrowserPath = GetSetting_Str(s, optkey::BrowserPath, defaults.strBrowserPath);
        o.strBrowserName = GetSetting_Str(s, optkey::BrowserName, defaults.strBrowserName);
        ctx().options = o;
    });
}

bool bSave_Options() {
    return guarded("bSave_Options", [&] {
        const ProgramOptions& o = ctx().options;
        const QString app = settings::settingsApp();
        const QString& s = kSectionProgramOptions;
        // Every key is attempted; one unwritable store gives one error box, not fourteen.
        bool ok = true;
        auto put = [&](const QString& key, const QString& value) {
            ok = SaveSetting(app, s, key, value) && ok;
        };
        for (int i = 0; i < 3; ++i)
            put(optkey::QuickSearch[i], strBoolText(o.QuickSearch[i]));
        for (int i = 0; i < 3; ++i)
            put(optkey::AutoSearch[i], strBoolText(o.AutoSearch[i]));
        put(optkey::IncludeCompilations, strBoolText(o.bIncludeCompilations));
        put(optkey::QuickAdd, strBoolText(o.bQuickAdd));
        put(optkey::ConfirmDelete, strBoolText(o.bConfirmDelete));
        put(optkey::ToolTips, strBoolText(o.bToolTips));
        put(optkey::CollectionTips, strBoolText(o.bCollectionTips));
        put(optkey::PlayIntro, strBoolText(o.bPlayIntro));
        put(optkey::BrowserPath, o.strBrowserPath);
        put(optkey::BrowserName, o.strBrowserName);
        if (!ok) raiseError(err::PathFileAccessError);
    });
}

} // namespace kv

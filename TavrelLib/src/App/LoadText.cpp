#include "App/LoadText.h"

#include "App/CTavrelLibApp.h"
#include "Framework/Resources.h"

QString LoadText(unsigned id) {
    const CTavrelLibApp* app = CTavrelLibApp::Current();
    if (app && app->GetLanguage() == QLatin1String("zh_CN"))
        id += 1;
    return fw::Resources::LoadString(id);
}

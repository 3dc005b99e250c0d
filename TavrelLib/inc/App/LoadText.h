#pragma once

#include <QString>

// The text of string resource id (the English, even id) in the language in force: under
// "zh_CN" the next odd id is looked up. Missing strings give an empty text.
QString LoadText(unsigned id);

#include "settings/SettingsRules.h"

SizeCheck checkOutputSize(int w, int h) {
    if (w < 100 || w > 8000) return SizeCheck::BadWidth;
    if (h < 100 || h > 3000) return SizeCheck::BadHeight;
    return SizeCheck::Ok;
}

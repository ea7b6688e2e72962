// The options dialog's checks of what the operator typed.
#pragma once

enum class SizeCheck { Ok, BadWidth, BadHeight };

// Width 100..8000, height 100..3000; the width is checked first.
SizeCheck checkOutputSize(int w, int h);

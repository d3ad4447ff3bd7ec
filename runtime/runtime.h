#pragma once
// What the application calls of the runtime. Internal operations (image records, pixel
// stores, the key queue's writing side and the like) stay in headers of their own folders.
#include "runtime/console/line_input.h"
#include "runtime/console/random.h"
#include "runtime/console/startup.h"
#include "runtime/core/key_input.h"
#include "runtime/core/number_text.h"
#include "runtime/core/print_using.h"
#include "runtime/core/statement.h"
#include "runtime/platform/floating_point.h"
#include "runtime/printer/printer.h"
#include "runtime/screen/draw.h"
#include "runtime/screen/graphics.h"
#include "runtime/screen/screen.h"
#include "runtime/sound/sound.h"

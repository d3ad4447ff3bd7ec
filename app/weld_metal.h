#pragma once
// The weld-metal calculators: area and weight of weld metal for seven joints, each drawn as
// a sketch on the two-colour graphics screen before its questions.
#include "runtime/runtime.h"

void fillet_weld(rt_routine& routine);
void single_vee_groove(rt_routine& routine);
void double_vee_groove(rt_routine& routine);
void single_bevel_groove(rt_routine& routine);
void double_bevel_groove(rt_routine& routine);
void plug_welds(rt_routine& routine);
void square_groove(rt_routine& routine);

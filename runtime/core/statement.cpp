#include "runtime/core/statement.h"

rt_routine::rt_routine()
    : temp_mark_(rt_temporary_count()), scratch_mark_(rt_scratch.top),
      descriptor_mark_(rt_descriptor_top()) {}

rt_routine::~rt_routine() {
    rt_release_temporaries(temp_mark_, 0);
    rt_scratch_release(scratch_mark_);
    rt_descriptor_restore(descriptor_mark_);
}

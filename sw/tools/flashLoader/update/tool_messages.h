// The image reader's messages (romimage's MessageSink) on the tool's own
// output seam, flushed after each text as the reader's console sink does.
#pragma once

#include "romimage/image_messages.h"

burnkit::MessageSink& tool_messages();

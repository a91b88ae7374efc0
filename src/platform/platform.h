#pragma once
// The whole platform layer, for a file that uses most of it; a file that
// needs one topic includes that topic's header instead.

#include "platform/desktop.h"
#include "platform/fault_hook.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"

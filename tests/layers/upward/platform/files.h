#pragma once
// A platform header that reaches up into the workflow: the floors check must
// refuse it.
#include "workflow/session.h"

// Validation of a whole host directory before a program uses it.
#pragma once

#include "simhost/provision/provision.h"

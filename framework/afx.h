// The framework's portable core in one include.
#pragma once

#include "framework/fwtypes.h"
#include "framework/object.h"
#include "framework/fwstring.h"
#include "framework/fwexcept.h"
#include "framework/file.h"
#include "framework/archive.h"
#include "framework/collections.h"
#include "framework/fwtime.h"
#include "framework/sync.h"
#include "framework/module.h"

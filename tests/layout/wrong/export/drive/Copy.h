#pragma once

#include "folder/Record.h"

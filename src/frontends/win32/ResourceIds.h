// Resource numbers shared by the resource script and the code.
#pragma once

#define KINPATH_ICON 1

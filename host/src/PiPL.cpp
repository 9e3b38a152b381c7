#include "kestrow/host/PiPL.h"

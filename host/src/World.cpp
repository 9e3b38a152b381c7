#include "kestrow/host/World.h"

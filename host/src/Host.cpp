#include "kestrow/host/Host.h"

#include "kestrow/host/Accounting.h"
#include "kestrow/host/Faults.h"

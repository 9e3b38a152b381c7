#include "kestrow/host/Instance.h"

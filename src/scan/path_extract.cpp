// Path extraction: the cleaning loop, the numeric tail, the kind and the missing test.
#include "scan/path_extract.h"

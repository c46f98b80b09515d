// The installed package's consumer is the C host of the build tree.
#include "../abi_c_caller.c"

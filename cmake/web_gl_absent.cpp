// Built only while src/web/gl_compat.h is absent: the fonts' address, which
// the linker cannot leave unresolved as it leaves the missing functions.
void* glutBitmapHelvetica12 = nullptr;

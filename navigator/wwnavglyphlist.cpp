#include "navigator/wwnavglyphlist.h"

#include "platform/imagelist.h"

TImageList& NavDefaultGlyphs() {
    static TImageList* list = new TImageList(18, 18);
    return *list;
}

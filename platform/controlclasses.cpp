#include "platform/controlclasses.h"

#include "platform/bitbtn.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/classes.h"
#include "platform/font.h"
#include "platform/form.h"
#include "platform/graphiccontrol.h"
#include "platform/imagelist.h"
#include "platform/panel.h"

void RegisterControlClasses() {
    static const bool done = [] {
        RegisterClass<TFont>();
        RegisterClass<TBrush>();
        RegisterClass<TPen>();
        RegisterClass<TCanvas>();
        RegisterClass<TBitmap>();
        RegisterClass<TImageList>();
        RegisterClass<TControl>();
        RegisterClass<TWinControl>();
        RegisterClass<TGraphicControl>();
        RegisterClass<TCustomControl>();
        RegisterClass<TCustomPanel>();
        RegisterClass<TPanel>();
        RegisterClass<TCustomForm>();
        RegisterClass<TForm>();
        RegisterClass<TBitBtn>();
        return true;
    }();
    (void)done;
}

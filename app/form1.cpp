#include "app/form1.h"

#include "data/fields.h"
#include "data/wwdatsrc.h"
#include "data/wwtable.h"
#include "data/yearupdate.h"
#include "dialogs/wwdialog.h"
#include "navigator/wwdbnavigator.h"
#include "platform/bitbtn.h"
#include "platform/dfmreader.h"
#include "platform/messagebox.h"
#include "platform/properties.h"
#include "platform/resources.h"

TForm1* Form1 = nullptr;

RAVELDA_DEFINE_CLASS(TForm1) {
    c.Field("wwDBNavigator1", &TForm1::wwDBNavigator1);
    c.Field("wwDBNavigator1First", &TForm1::wwDBNavigator1First);
    c.Field("wwDBNavigator1PriorPage", &TForm1::wwDBNavigator1PriorPage);
    c.Field("wwDBNavigator1Prior", &TForm1::wwDBNavigator1Prior);
    c.Field("wwDBNavigator1Next", &TForm1::wwDBNavigator1Next);
    c.Field("wwDBNavigator1NextPage", &TForm1::wwDBNavigator1NextPage);
    c.Field("wwDBNavigator1Last", &TForm1::wwDBNavigator1Last);
    c.Field("wwDBNavigator1Insert", &TForm1::wwDBNavigator1Insert);
    c.Field("wwDBNavigator1Delete", &TForm1::wwDBNavigator1Delete);
    c.Field("wwDBNavigator1Edit", &TForm1::wwDBNavigator1Edit);
    c.Field("wwDBNavigator1Post", &TForm1::wwDBNavigator1Post);
    c.Field("wwDBNavigator1Cancel", &TForm1::wwDBNavigator1Cancel);
    c.Field("wwDBNavigator1Refresh", &TForm1::wwDBNavigator1Refresh);
    c.Field("wwDBNavigator1SaveBookmark", &TForm1::wwDBNavigator1SaveBookmark);
    c.Field("wwDBNavigator1RestoreBookmark", &TForm1::wwDBNavigator1RestoreBookmark);
    c.Field("BitBtn1", &TForm1::BitBtn1);
    c.Field("wwTable1", &TForm1::wwTable1);
    c.Field("wwTable1Tabella", &TForm1::wwTable1Tabella);
    c.Field("wwTable1Anno", &TForm1::wwTable1Anno);
    c.Field("wwTable1Registro", &TForm1::wwTable1Registro);
    c.Field("wwTable1Chiave", &TForm1::wwTable1Chiave);
    c.Field("wwDataSource1", &TForm1::wwDataSource1);
    c.Method("BitBtn1Click", &TForm1::BitBtn1Click);
}

void RegisterMainWindowDescription() {
    static bool registered = false;
    if (registered) return;
    RegisterFormResource(QStringLiteral("TFORM1"),
                         QString::fromUtf8(FindResourceData(QStringLiteral("TFORM1"))));
    registered = true;
}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
    // The description names these classes; a static library keeps only what is referred to.
    RegisterNavigatorClasses();
    RegisterDialogClasses();
    RegisterMainWindowDescription();
    InitFromResource(QStringLiteral("TFORM1"));
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::BitBtn1Click(TObject* Sender) {
    (void)Sender;
    RunYearUpdate(wwTable1, YearUpdateCurrentYear());
    ShowMessage(QStringLiteral("Aggiornamento Effettuato"));
    Close();
}

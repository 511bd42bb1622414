// The main window: the record navigator with its fourteen buttons, the key table with its four
// persistent fields, its data source and the button that prepares the counter rows of the
// current year (BitBtn1Click). Everything the window holds
// comes from its stored description TFORM1 (resources/tform1.dfm).
#pragma once

#include "platform/form.h"

class TBitBtn;
class TwwDBNavigator;
class TwwNavButton;
class TwwTable;
class TwwDataSource;
class TStringField;
class TSmallintField;
class TIntegerField;

class TForm1 : public TForm {
    RAVELDA_CLASS(TForm1, TForm)
public:
    // Reads TFORM1; an error of the description or of opening the key table leaves here.
    explicit TForm1(TComponent* AOwner);
    ~TForm1() override;

    TwwDBNavigator* wwDBNavigator1 = nullptr;
    TwwNavButton* wwDBNavigator1First = nullptr;
    TwwNavButton* wwDBNavigator1PriorPage = nullptr;
    TwwNavButton* wwDBNavigator1Prior = nullptr;
    TwwNavButton* wwDBNavigator1Next = nullptr;
    TwwNavButton* wwDBNavigator1NextPage = nullptr;
    TwwNavButton* wwDBNavigator1Last = nullptr;
    TwwNavButton* wwDBNavigator1Insert = nullptr;
    TwwNavButton* wwDBNavigator1Delete = nullptr;
    TwwNavButton* wwDBNavigator1Edit = nullptr;
    TwwNavButton* wwDBNavigator1Post = nullptr;
    TwwNavButton* wwDBNavigator1Cancel = nullptr;
    TwwNavButton* wwDBNavigator1Refresh = nullptr;
    TwwNavButton* wwDBNavigator1SaveBookmark = nullptr;
    TwwNavButton* wwDBNavigator1RestoreBookmark = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TwwTable* wwTable1 = nullptr;
    TStringField* wwTable1Tabella = nullptr;
    TStringField* wwTable1Anno = nullptr;
    TSmallintField* wwTable1Registro = nullptr;
    TIntegerField* wwTable1Chiave = nullptr;
    TwwDataSource* wwDataSource1 = nullptr;

    // The year update (RunYearUpdate, data/yearupdate.h): makes sure the six counter rows of
    // this year exist (adding the missing ones with Chiave 0), says "Aggiornamento Effettuato" and
    // closes the window. Catches nothing: an error stops it where it happens, leaving earlier rows
    // stored and a row that failed to post pending.
    void BitBtn1Click(TObject* Sender);
};

// The main window while the program runs.
extern TForm1* Form1;

// Registers the stored description TFORM1 from the program's embedded resources (once).
void RegisterMainWindowDescription();

// Message boxes go through a replaceable service: the real one shows a QMessageBox centred on the
// screen; tests script the answers and read back every box (testseams.h). With the environment
// variable RAVELDA_MESSAGEBOX_LOG set, the real service shows nothing: it appends every box to
// that file and answers with the default button (end-to-end checks of real executables).
#pragma once

#include "platform/sets.h"

#include <QString>
#include <memory>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

using TModalResult = int;
enum : TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10
};

// Windows-style flags of Application->MessageBox.
enum : int {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_ICONERROR = 0x10,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON1 = 0x0,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    MB_APPLMODAL = 0x0,
    MB_SYSTEMMODAL = 0x1000,
    MB_TASKMODAL = 0x2000
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// One box as asked for.
struct TMessageBoxRequest {
    QString Text;
    QString Caption;
    TMsgDlgType Type = mtCustom; // the icon; mtCustom: none
    TMsgDlgButtons Buttons{mbOK};
    TMsgDlgBtn DefaultButton = mbOK;
    bool TaskModal = false;
};

// The result of a box: the modal result of the pressed button (mrOk, mrYes, ...).
class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    virtual TModalResult Show(const TMessageBoxRequest& Request) = 0;
};

// Installs a service (nullptr: the real one) and returns the previous one.
std::unique_ptr<IMessageBoxService> SetMessageBoxService(std::unique_ptr<IMessageBoxService> s);
IMessageBoxService& MessageBoxService();

// Shows a box through the service.
TModalResult ShowMessageBox(const TMessageBoxRequest& Request);
// The classic dialogs: MessageDlg is captioned by its type ("Warning", "Error", "Information",
// "Confirm"; the application title for mtCustom); ShowMessage is captioned with the application
// title, OK only, no icon.
TModalResult MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
void ShowMessage(const QString& Msg);
// Box text for logs and tests: the button names "OK", "Cancel", "Yes", "No", ... joined by ",".
QString ButtonsText(TMsgDlgButtons Buttons);
QString DlgTypeText(TMsgDlgType Type);
// Converts Windows flags to a request and a modal result to an ID.
TMessageBoxRequest RequestFromFlags(const QString& Text, const QString& Caption, int Flags);
int ModalResultToId(TModalResult Result);

// The reader of stored window descriptions (the classic text form):
//     object Form1: TForm1
//       Caption = 'Ravelda'
//       object BitBtn1: TBitBtn
//         Font.Height = -16
//         OnClick = BitBtn1Click
//       end
//     end
// Every nested component is owned by the root; a nested control takes the component of the
// enclosing block as its parent (SetParentComponent). Reading creates the components in stored
// order and gives each its stored values, then resolves references between components by name,
// binds every component to the root's published field of the same name, and then calls Loaded
// on every component (the root first) in creation order. An unknown class, unknown property, bad
// value or unresolved reference raises EReadError naming the line; the components created by
// the failed read are freed again.
#pragma once

#include "platform/dfmparser.h"
#include "platform/exceptions.h"

#include <QString>

class TComponent;


// Reads a description into an existing root (the form being created). The root's class must
// match the description's class name, or be the class the description names as a base
// (the name is compared with the root's class and its ancestors). Source names the description
// in error messages (e.g. "TFORM1").
void ReadComponentText(TComponent* Root, const QString& Text, const QString& Source = QString());
// Reads a description whose root class is created by name, owned by Owner.
TComponent* CreateComponentFromText(TComponent* Owner, const QString& Text,
                                    const QString& Source = QString());

// Stored descriptions by resource name (e.g. "TFORM1"), as the resource layer registers them.
void RegisterFormResource(const QString& Name, const QString& Text);
bool FindFormResource(const QString& Name, QString& Text);
// Reads the registered description Name into Root; EReadError "Resource %s not found".
void ReadFormResource(TComponent* Root, const QString& Name);

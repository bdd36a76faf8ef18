#pragma once
// Late-bound automation: the object model through which the program talks to outside programs
// (the spreadsheet, the process simulators) without knowing their types at compile time.
//
// Every member is looked up by its name when it is called, as with a dispatch interface:
//   - a TVariant holds empty, a Boolean, an integer, a double, a text or an object reference;
//   - an object (TAutoObject) answers Get (property read, optionally with arguments), Put
//     (property write) and Call (method). Names are compared without regard to letter case. As
//     with late binding elsewhere, Get also finds a method and Call also finds a property, so
//     `Item(0)` may be written either way;
//   - every failure inside a server is a TAutomationError whose text is the server's own; it
//     passes through the caller unchanged up to whoever reports it.
//
// Writing a server: derive from TDispatch and define the members in the constructor,
//
//   class TMyApp : public TDispatch {
//    public:
//     TMyApp() : TDispatch("MyApp.Application") {
//       DefineGet("Version", [](const TArgs&) { return TVariant("2.0"); });
//       DefinePut("Visible", [this](const TArgs&, const TVariant& v) { FVisible = v.ToBool(); });
//       DefineMethod("Open", [this](const TArgs& a) { return TVariant(OpenFile(Arg(a, 0))); });
//     }
//   };
//
// then register it under its ProgID (Servers.h):
//
//   RegisterServer("MyApp.Application", {.Attach = ..., .Create = [] { return
//       TVariant(std::make_shared<TMyApp>()); }});
//
// Using a server:
//
//   TVariant app = AttachToRunning("MyApp.Application");       // or CreateInstance(...)
//   std::string v = app.Get("Version").ToString();
//   TVariant doc = app.Call("Open", {"a.dat"});
//   int n = doc.Get("Items").Get("Count").ToInt();
//   doc.Get("Items").Get("Item", {0}).Put("Name", "x");
//
// A server whose ProgID is not registered in the program can still be created when the settings
// source (Settings.h, the stand-in for the system registry) has a class entry with that ProgID
// naming a registered implementation; see CreateInstance.
#include "automation/AutoObject.h"
#include "automation/Servers.h"
#include "automation/Settings.h"
#include "automation/Variant.h"

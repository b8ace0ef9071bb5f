#pragma once
// A test stand-in for the system's printer-connection network object
// ("WScript.Network"): an in-process COM server that the Windows test stage
// registers in its own Wine prefix, where the system's object implements
// none of the printer members. Never installed or packaged.
//
// It answers through IDispatch alone, with the members, argument shapes and
// failures of the real object, over a state file in the connection
// profile's format named by VELLORAN_TEST_NETWORK_STATE (a Windows path).
// Two keys of that file only the stand-in reads:
//
//   unreadable: \\SRV\Q   the name of this connection cannot be read
//                         (Item fails with "The RPC server is unavailable.")
//   denied: \\SRV[\Q]     every add there is refused
//                         ("Access is denied.")
//
// The default printer stays the spooler's, as on Windows: connections the
// stand-in adds are entered where the spooler lists the user's devices, so
// that SetDefaultPrinter accepts them, and the file's `default:` line is
// carried to and from the spooler's default (see Network in FakeNetwork.cpp).

#include <windows.h>

namespace fakenetwork {

/// {6F1B0E54-3C1D-4B7E-9A57-2C4B8D0F7A13}
inline constexpr CLSID kClassId = {
    0x6f1b0e54, 0x3c1d, 0x4b7e, {0x9a, 0x57, 0x2c, 0x4b, 0x8d, 0x0f, 0x7a, 0x13}};

/// The variable that names the state file.
inline constexpr wchar_t kStateVariable[] = L"VELLORAN_TEST_NETWORK_STATE";

/// Objects alive and server locks: the DLL may be unloaded when both are 0.
extern LONG g_liveObjects;
extern LONG g_serverLocks;

/// A new network object over the state file the environment names, asked
/// for `iid`.
HRESULT CreateNetwork(REFIID iid, void** out);

}  // namespace fakenetwork

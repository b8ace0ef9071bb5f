#pragma once
// The hidden window that carries the SMTP dialogue: a TCP client control, a
// timer and the reply state. Events are delivered while the owner processes
// events, as a window's events would be; the dialogue runs inside the
// connect event and waits for each reply by processing events in turn.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/Run.h"
#include "platform/Error.h"

namespace velloran {

class frmWinsockContainer {
 public:
  /// The window timer: fires timMain_Timer once per interval while enabled.
  class TimerControl {
   public:
    /// Switching on starts a fresh interval; switching off drops a pending tick.
    void Enabled(bool on);
    bool Enabled() const { return enabled_; }

   private:
    friend class frmWinsockContainer;
    explicit TimerControl(frmWinsockContainer& form) : form_(form) {}
    void Arm();
    frmWinsockContainer& form_;
    bool enabled_ = false;
    unsigned generation_ = 0;
  };

  /// The TCP client control.
  class WinsockControl {
   public:
    enum State : int { sckClosed = 0, sckConnecting = 6, sckConnected = 7, sckError = 9 };

    /// Resolves `host` at once (a name that cannot be resolved or a port that
    /// is no number fails here) and starts connecting; wnsMain_Connect or
    /// wnsMain_Error follows as an event.
    Status Connect(const std::string& host, const std::string& port);
    /// Hands the data to the connection and processes events until it has
    /// left; the error event fires when the connection breaks meanwhile.
    Status SendData(std::string_view data);
    /// Takes what has arrived since the last call.
    std::string GetData();
    void Close();
    int State() const { return state_; }
    /// The machine's host name, empty when it has none.
    std::string LocalHostName() const;
    /// The address of this end of the connection, empty when not connected.
    std::string LocalIP() const;

   private:
    friend class frmWinsockContainer;
    explicit WinsockControl(frmWinsockContainer& form) : form_(form) {}
    void StartReading();
    frmWinsockContainer& form_;
    int state_ = sckClosed;
    unsigned generation_ = 0;
    std::string arrived_;
  };

  /// Creating the container starts its timer, as loading the window did.
  frmWinsockContainer(Run& run, std::chrono::milliseconds tickLength);
  ~frmWinsockContainer();
  frmWinsockContainer(const frmWinsockContainer&) = delete;
  frmWinsockContainer& operator=(const frmWinsockContainer&) = delete;

  TimerControl timMain;
  WinsockControl wnsMain;

  int16_t TickCount = 0;
  bool ReplyComplete = false;
  std::string ReplyBuffer;
  bool SendFailed = false;
  /// The last failure of a socket operation during the dialogue; number 0 when
  /// the dialogue failed through a reply code or a closed connection only.
  PlatformError LastError;

  void timMain_Timer();
  /// Runs the whole dialogue, then releases the container.
  void wnsMain_Connect();
  void wnsMain_DataArrival(size_t bytesTotal);
  void wnsMain_Error(const PlatformError& error);

  /// Waits for one complete reply; a code other than `code` (or `alsoAccepted`
  /// when not 0) closes the connection and sets SendFailed.
  void WaitForReply(int16_t code, int16_t alsoAccepted = 0);

  /// Runs the events that are ready, without waiting.
  void DoEvents();
  /// Waits until at least one event has run, then runs the ready ones.
  /// False when nothing is left that could ever raise an event.
  bool WaitForEvents();
  /// False once released.
  bool Loaded() const { return loaded_; }
  /// Releases the window: socket closed, timer off.
  void Unload();
  /// The connection could not be made: logs why and keeps the outcome text
  /// in the back-up file, then releases the window.
  void ConnectFailed(const PlatformError& error);

  /// The HELO argument: the host name, or the local address as an address
  /// literal when no usable host name is known.
  std::string HelloName() const;

 private:
  struct Io;
  void SendCommand(const std::string& command);
  void SaveBackupFile();
  void WriteBackupFile();

  Run& run_;
  std::chrono::milliseconds tick_;
  std::unique_ptr<Io> io_;
  bool loaded_ = true;
  bool inDialogue_ = false;
  bool connectPending_ = false;
};

/// The number an SMTP reply starts with: the leading digits of its first
/// blank-separated word, 0 when it starts with none.
int ReplyCode(std::string_view reply);
/// What follows HELO: the host name when it is one, otherwise the local
/// address as an address literal ("[192.0.2.7]", "[IPv6:2001:db8::7]").
std::string HelloArgument(std::string_view hostName, std::string_view localAddress);
/// True when `buffer` holds a whole reply: it ends with CR LF and its last
/// line is not a continuation line ("250-...").
bool IsCompleteReply(std::string_view buffer);

}  // namespace velloran

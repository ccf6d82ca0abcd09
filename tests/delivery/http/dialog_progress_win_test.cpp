// Web delivery's progress in the send dialog: each kind's text and where it
// moves the bar, the upload callback, and a connection's own steps.
#include "crashreport/delivery/http/dialog_progress_win.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "crashreport/base/options/options.h"
#include "crashreport/delivery/http/http_connection_win.h"
#include "crashreport/delivery/http/transfer_progress.h"
#include "crashreport/dialogs/progress/send_progress_win.h"
#include "tests/delivery/http/web_peers_win.h"

namespace {

using namespace tarvex;

int BarPosition() { return static_cast<int>(SendDlgItemMessageA(ProgressWindow(), 101, PBM_GETPOS, 0, 0)); }

std::string StatusText() {
  char text[256] = {};
  GetDlgItemTextA(ProgressWindow(), 100, text, sizeof text);
  return text;
}

class WebProgressDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    options.SetWebDelivery(wdHTTP);
    options.SetText(mtSendingMessage, "Sending now...");  // the dialog shows the options' texts
    OpenProgress({&options, true, false}, true);
    ASSERT_NE(ProgressWindow(), nullptr);
  }
  void TearDown() override { CloseProgress(); }
  TTarvexModuleOptions options;
};

TEST_F(WebProgressDialog, ConnectionKinds) {
  SetProgress(60);
  struct TStep {
    int Kind, Percent;
    const char* Text;
    int Bar;
  } steps[] = {
      {hpConnecting, 0, "Connecting with server...", 5},  // the bar starts again
      {hpConnected, 0, "Connected with server.", 10},
      {hpLogin, 0, "Login...", 15},
      {hpSelectProject, 0, "Select project...", 20},
      {hpSending, 50, "Sending now...", 68},
      {hpSending, 100, "Sending now...", 100},
      {hpSent, 0, "Message sent.", 100},
      {hpDisconnected, 0, "Disconnected.", 100},
  };
  for (const TStep& step : steps) {
    ShowConnectionProgress(options, step.Kind, step.Percent);
    EXPECT_EQ(StatusText(), step.Text) << step.Kind;
    EXPECT_EQ(BarPosition(), step.Bar) << step.Kind;
  }
}

TEST_F(WebProgressDialog, UploadCallback) {
  SetProgress(80);
  const TUploadProgress progress = DialogUploadProgress(options);
  progress(upConnecting, 1000, 0);
  EXPECT_EQ(StatusText(), "Connecting with server...");
  EXPECT_EQ(BarPosition(), 0);
  progress(upConnected, 1000, 0);
  EXPECT_EQ(StatusText(), "Connected with server.");
  EXPECT_EQ(BarPosition(), 0);
  progress(upSending, 1000, 405);
  EXPECT_EQ(StatusText(), "Sending now...");
  EXPECT_EQ(BarPosition(), 41);
}

TEST_F(WebProgressDialog, AConnectionShowsItsConnectAndDisconnect) {
  {
    // The library opens the connection when a request goes out: nothing needs to listen.
    THTTPConnection connection(options, webtest::WebAt("http://127.0.0.1:9/tracker/"));
    EXPECT_TRUE(connection.Connected());
    EXPECT_EQ(StatusText(), "Connected with server.");
    EXPECT_EQ(BarPosition(), 10);
  }
  EXPECT_EQ(StatusText(), "Disconnected.");
  EXPECT_EQ(BarPosition(), 100);
}

}  // namespace

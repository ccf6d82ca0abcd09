// Sends one message by Simple MAPI and prints what came of it, for tests
// that need a process of its own (one whose libraries Wine was told to hide):
//   result=1 cancelled=0 code=eeNone message=
#include <cstdio>

#include "crashreport/delivery/mailclient/mail_client_win.h"
#include "crashreport/delivery/outcome/delivery_error.h"

int main(int argc, char** argv) {
  tarvex::TClientMail mail;
  mail.Recipients = argc > 1 ? argv[1] : "support@zorvik.test";
  bool cancelled = false;
  const bool sent = tarvex::SendByMAPI(mail, &cancelled);
  const tarvex::TDeliveryError error = tarvex::LastDeliveryError();
  std::printf("result=%d cancelled=%d code=%s message=%s\n", sent, cancelled, tarvex::ErrorCodeName(error.Code),
              error.Message.c_str());
  return 0;
}

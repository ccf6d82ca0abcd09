// Secure uploads and requests keep the certificate checks: with the test
// authority trusted the upload goes through; an unknown authority, an
// expired certificate and one for another name each fail with their code.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include "crashreport/delivery/http/http_connection_win.h"
#include "crashreport/delivery/upload/upload_win.h"
#include "tests/delivery/http/web_peers_win.h"

namespace {

using namespace tarvex;
using namespace tarvex::webtest;

// The test authority among the user's trusted roots while the object lives.
class TTrustedAuthority {
 public:
  TTrustedAuthority() {
    const std::string der = FileBytes(PeerPath("VX_TEST_CA"));
    store_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
    if (store_ && !der.empty())
      CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                       static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added_);
  }
  ~TTrustedAuthority() {
    if (added_) CertDeleteCertificateFromStore(added_);  // frees the context too
    if (store_) CertCloseStore(store_, 0);
  }
  bool Added() const { return added_ != nullptr; }

 private:
  HCERTSTORE store_ = nullptr;
  PCCERT_CONTEXT added_ = nullptr;
};

THTTPUpload SecureUpload(const char* portVariable, const std::string& name) {
  THTTPUpload upload;
  upload.Host = "127.0.0.1";
  upload.Port = PeerPort(portVariable);
  upload.Path = "/upload/" + name;
  upload.Secure = true;
  upload.Fields = {{"password", "secret"}};
  return upload;
}

TEST(HttpsUpload, CertificatesAreChecked) {
  TTrustedAuthority trusted;
  ASSERT_TRUE(trusted.Added());
  TTempFolder folder;
  THTTPUpload good = SecureUpload("VX_HTTPS_GOOD_PORT", "secure");
  good.Files = {{"BugReport.txt", folder.Write("r.tmp", AwkwardBytes(4000, 7))}};
  std::string errorText;
  ASSERT_EQ(UploadHTTP(good, errorText, nullptr), kUploadSent) << errorText;
  const auto record = ReadRecord("secure");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->Files.size(), 1u);

  struct TCase {
    const char* Port;
    int Code;
    const char* Text;
  } failures[] = {
      {"VX_HTTPS_UNTRUSTED_PORT", 12045,
       "The function is unfamiliar with the Certificate Authority that generated the server's certificate."},
      {"VX_HTTPS_EXPIRED_PORT", 12037, "SSL certificate date is bad. The certificate is expired."},
      {"VX_HTTPS_WRONG_NAME_PORT", 12038, "SSL certificate common name (host name field) is incorrect."},
  };
  for (const TCase& c : failures) {
    SCOPED_TRACE(c.Port);
    errorText.clear();
    EXPECT_EQ(UploadHTTP(SecureUpload(c.Port, "refused"), errorText, nullptr), c.Code);
    EXPECT_EQ(errorText, c.Text);
  }
  EXPECT_FALSE(ReadRecord("refused"));  // nothing reached a server whose certificate failed
}

TEST(HttpsConnection, CertificatesAreChecked) {
  const std::string good = "https://127.0.0.1:" + std::to_string(PeerPort("VX_HTTPS_GOOD_PORT")) + "/echo/";
  {
    // Without the authority the same server is refused.
    THTTPConnectionBase connection(WebAt(good));
    connection.SetRequest("untrusted", hmGet);
    EXPECT_FALSE(connection.Execute(false));
    EXPECT_EQ(connection.LastResponse.ErrorCode, 12045u);
  }
  TTrustedAuthority trusted;
  ASSERT_TRUE(trusted.Added());
  THTTPConnectionBase connection(WebAt(good, "user", "secret"));
  EXPECT_TRUE(connection.Secure);
  EXPECT_EQ(connection.ServerPort, PeerPort("VX_HTTPS_GOOD_PORT"));
  connection.SetRequest("trusted", hmPostUrlEncoded);
  connection.AddField("a", "b");
  ASSERT_TRUE(connection.Execute(false)) << connection.LastResponse.ErrorText;
  EXPECT_EQ(ReadRecord("trusted")->Fields.size(), 1u);

  THTTPConnectionBase expired(WebAt("https://127.0.0.1:" + std::to_string(PeerPort("VX_HTTPS_EXPIRED_PORT")) + "/echo/"));
  expired.SetRequest("expired", hmGet);
  EXPECT_FALSE(expired.Execute(false));
  EXPECT_EQ(expired.LastResponse.ErrorCode, 12037u);
}

}  // namespace

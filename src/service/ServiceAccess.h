#pragma once

#include <string>
#include <string_view>

namespace qvset {

// Who may do what through the printer application:
//   - a client on this machine (loopback or the local socket) may print and change settings;
//   - a client elsewhere may print only when remote printing is on (over TLS: the framework asks every
//     remote client to upgrade once an authorisation check is installed);
//   - a client elsewhere may change anything (Set-Printer-Attributes, adding or deleting printers, the
//     web pages that change anything) only over TLS and with a PAM login (HTTP Basic) of a member of the
//     admin group. The framework's own web password is never used.
struct AccessPolicy {
    bool remotePrinting = false;
    std::string adminGroup = "lpadmin";
    std::string pamService = "login";
};

// What a request asks for and where it comes from.
struct AccessRequest {
    bool local = false;
    bool encrypted = false;
    bool administration = false;
    std::string authorization;  // the Authorization header, empty when none was sent
};

enum class AccessAnswer {
    Allowed,
    LoginNeeded,   // 401: ask for a login
    Forbidden,     // 403
    UpgradeToTls,  // 426
    BadRequest,    // 400: an Authorization header that is no Basic login
};

// Checks a user's password with PAM and whether the user belongs to a group (as primary or secondary
// group). Replaceable for tests.
class Authenticator {
  public:
    virtual ~Authenticator() = default;
    virtual bool CheckPassword(const std::string& service, const std::string& user,
                               const std::string& password) = 0;
    virtual bool IsMember(const std::string& user, const std::string& group) = 0;
};

// The PAM and group database of this machine.
Authenticator& SystemAuthenticator();

// Decides a request by the policy. `user` is set to the login name when a login was checked.
AccessAnswer DecideAccess(const AccessPolicy& policy, const AccessRequest& request,
                          Authenticator& authenticator, std::string* user = nullptr);

// The user and password of an HTTP Basic Authorization header; false for anything else.
bool ReadBasicLogin(std::string_view header, std::string& user, std::string& password);

}  // namespace qvset

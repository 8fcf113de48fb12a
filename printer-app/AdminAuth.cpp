#include "printer-app/AdminAuth.h"

#include <grp.h>
#include <pwd.h>
#include <security/pam_appl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace marvik::app {

namespace {

// Base64 of "user:password": longer is no one's.
constexpr std::size_t kMaxCredentialBytes = 1024;
constexpr int kMaxGroups = 256;
constexpr const char* kScheme = "Basic";

struct Policy {
  std::string service;
  std::string group;
};

// Set while PAPPL checks a client for administration on this thread.
thread_local bool t_adminCheck = false;

// PAM asks for the password (and perhaps other things): each prompt gets it.
int Converse(int count, const pam_message** messages, pam_response** responses, void* password) {
  auto* replies =
      static_cast<pam_response*>(std::calloc(static_cast<std::size_t>(count), sizeof(pam_response)));
  if (replies == nullptr) return PAM_BUF_ERR;
  for (int i = 0; i < count; ++i) {
    const int style = messages[i]->msg_style;
    if (style == PAM_PROMPT_ECHO_OFF || style == PAM_PROMPT_ECHO_ON) {
      replies[i].resp = strdup(static_cast<const char*>(password));
    }
  }
  *responses = replies;
  return PAM_SUCCESS;
}

bool PamAccepts(const std::string& service, const char* user, const char* password) {
  pam_conv conversation{Converse, const_cast<char*>(password)};
  pam_handle_t* pam = nullptr;
  int status = pam_start(service.c_str(), user, &conversation, &pam);
  if (status == PAM_SUCCESS) status = pam_authenticate(pam, PAM_SILENT);
  if (status == PAM_SUCCESS) status = pam_acct_mgmt(pam, PAM_SILENT);
  if (pam != nullptr) pam_end(pam, status);
  return status == PAM_SUCCESS;
}

bool InGroup(const char* user, gid_t group) {
  std::vector<char> buffer(16384);
  passwd entry;
  passwd* found = nullptr;
  if (getpwnam_r(user, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return false;
  if (found->pw_gid == group) return true;
  std::vector<gid_t> groups(kMaxGroups);
  int count = kMaxGroups;
  if (getgrouplist(user, found->pw_gid, groups.data(), &count) < 0) return false;
  for (int i = 0; i < count; ++i) {
    if (groups[static_cast<std::size_t>(i)] == group) return true;
  }
  return false;
}

http_status_t Authenticate(pappl_client_t* client, const char* group, gid_t groupId, void* data) {
  if (!t_adminCheck) return HTTP_STATUS_CONTINUE;  // a check before printing
  const auto* policy = static_cast<const Policy*>(data);
  const char* header = httpGetField(papplClientGetHTTP(client), HTTP_FIELD_AUTHORIZATION);
  const std::size_t scheme = std::strlen(kScheme);
  if (header == nullptr || std::strncmp(header, kScheme, scheme) != 0 || header[scheme] != ' ' ||
      std::strlen(header) > scheme + 1 + kMaxCredentialBytes) {
    return HTTP_STATUS_UNAUTHORIZED;
  }
  char credentials[kMaxCredentialBytes + 1];
  int length = static_cast<int>(kMaxCredentialBytes);
  httpDecode64_2(credentials, &length, header + scheme + 1);
  credentials[length] = '\0';
  char* colon = std::strchr(credentials, ':');
  if (colon == nullptr || colon == credentials) return HTTP_STATUS_UNAUTHORIZED;
  *colon = '\0';
  for (const char* c = credentials; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7f)
      return HTTP_STATUS_UNAUTHORIZED;  // not a user name
  }
  const bool accepted = PamAccepts(policy->service, credentials, colon + 1);
  explicit_bzero(colon + 1, std::strlen(colon + 1));
  if (!accepted) {
    papplLogClient(client, PAPPL_LOGLEVEL_WARN,
                   "Administration refused: '%s' was not accepted by PAM service '%s'.", credentials,
                   policy->service.c_str());
    return HTTP_STATUS_UNAUTHORIZED;
  }
  if (group != nullptr && *group != '\0' && !InGroup(credentials, groupId)) {
    papplLogClient(client, PAPPL_LOGLEVEL_WARN, "Administration refused: '%s' is not in group '%s'.",
                   credentials, group);
    return HTTP_STATUS_FORBIDDEN;
  }
  papplClientSetUsername(client, credentials);
  return HTTP_STATUS_CONTINUE;
}

}  // namespace

void RequireAdminAuthentication(pappl_system_t* system, const std::string& service,
                                const std::string& group) {
  static Policy policy;  // the callback's, for the life of the server
  policy = {service, group};
  if (!group.empty()) papplSystemSetAdminGroup(system, group.c_str());
  papplSystemSetAuthCallback(system, kScheme, Authenticate, &policy);
}

http_status_t CheckAdministration(pappl_client_t* client, http_status_t (*pappl_check)(pappl_client_t*)) {
  t_adminCheck = true;
  const http_status_t status = pappl_check(client);
  t_adminCheck = false;
  return status;
}

}  // namespace marvik::app

// Administration that requires a password while printing stays open. Given
// an authentication service, PAPPL 1.3 asks every client to authenticate,
// printing ones too; without one, it refuses administration from other hosts
// and keeps the web forms behind a single password. Here the server takes no
// authentication service from PAPPL but its authentication callback:
// PAPPL's checks before printing pass, and its checks before administration
// (Create-, Delete-Printer, Set-Printer-Attributes, pausing, the web forms:
// every call of papplClientIsAuthorized, which the executable hands to
// CheckAdministration) ask for a user that a PAM service accepts.
#pragma once

#include <pappl/pappl.h>

#include <string>

namespace marvik::app {

// Makes administration over the network, or from this host but not through
// the control socket, require a user that the PAM service SERVICE accepts
// (and who is a member of GROUP, when given); PAPPL asks other hosts for an
// encrypted connection first. Printing stays open to everyone.
void RequireAdminAuthentication(pappl_system_t* system, const std::string& service, const std::string& group);

// PAPPL's administration check PAPPL_CHECK (papplClientIsAuthorized) for
// CLIENT, run so that the authentication callback knows it is one.
http_status_t CheckAdministration(pappl_client_t* client, http_status_t (*pappl_check)(pappl_client_t*));

}  // namespace marvik::app

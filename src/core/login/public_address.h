#pragma once
// One plain HTTP GET of "/ip" on the what-is-my-IP service; the body is the address.
#include <QString>

namespace tcm {

// The service address: TCM_IP_SERVICE, else the built-in default.
QString publicAddressService();

// Blocks for at most `timeoutMs`; any failure gives the empty text.
QString fetchPublicAddress(const QString& serviceBaseUrl, int timeoutMs = 3000);

}  // namespace tcm

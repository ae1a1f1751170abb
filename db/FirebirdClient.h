#pragma once

namespace fm {

// Points the Firebird client library at the configuration shipped beside the
// executable ("firebird/firebird.conf"), unless FIREBIRD is set already.
// Must run before the first connection is made.
void prepareFirebirdClient();

}  // namespace fm

#include "net/transport/CurlScope.h"

#include "net/transport/CurlTransfer.h"

namespace quillora::net {

CurlScope::CurlScope(bool utf8) : utf8_(utf8) {
    EnsureCurlGlobalInit();
}

}  // namespace quillora::net

#include "dice/rules/TagPrefix.h"

namespace kestar::rolls {

Text tagPrefix(bool bold, bool italic, bool underline) {
  Text prefix = bold ? u"<b>" : u" ";
  if (italic) prefix += u"<i>";
  if (underline) prefix += u"<u>";
  return prefix;
}

}  // namespace kestar::rolls

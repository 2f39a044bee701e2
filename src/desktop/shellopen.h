#pragma once

#include <QString>

namespace vlm {

// Opens target (an absolute URL such as the product's web page) with the desktop's default
// handler. Returns 33 on success and 0 on failure, keeping the rule "greater than 32 means
// success"; a target that is not a valid URL with a scheme is refused with 0.
int ShellOpen(const QString& target);

} // namespace vlm

#pragma once

namespace kld::ui {}

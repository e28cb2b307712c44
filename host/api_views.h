// Placeholder: filled by the host stand-in's next slice.
#pragma once

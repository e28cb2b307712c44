// Placeholder until the host stand-in lands.

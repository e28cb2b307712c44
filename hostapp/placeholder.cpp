// Placeholder until the session runner lands.

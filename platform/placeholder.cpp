// Placeholder so the library builds before the platform code lands.

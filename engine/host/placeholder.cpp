// Placeholder so the library builds before the engine code lands.

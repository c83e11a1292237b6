// Zentrova_BGM, the music unit.

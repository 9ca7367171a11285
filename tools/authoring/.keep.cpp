// Keeps the authoring library non-empty before its first source lands.

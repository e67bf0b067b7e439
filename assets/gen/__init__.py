"""Drawing modules of the asset generator."""

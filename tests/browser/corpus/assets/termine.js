var termine = ["12. März: Jahreshauptversammlung", "3. Mai: Maiwanderung"];
